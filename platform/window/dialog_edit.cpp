// The single-line edit box: typing within the text limit, selection with mouse and keys, sideways scrolling.
#include <algorithm>

#include "platform/draw/font.h"
#include "platform/window/dialog_internal.h"

namespace {

constexpr int32_t kEditMargin = 2;  // between the sunken border and the text

void ReplaceSelection(EditState* e, const std::string& with) {
  const size_t start = EditSelStart(*e);
  e->text.replace(start, EditSelEnd(*e) - start, with);
  e->anchor = e->caret = start + with.size();
}

}  // namespace

size_t EditSelStart(const EditState& e) { return std::min(e.anchor, e.caret); }
size_t EditSelEnd(const EditState& e) { return std::max(e.anchor, e.caret); }

bool EditType(EditState* e, char ch) {
  const size_t selected = EditSelEnd(*e) - EditSelStart(*e);
  if (e->text.size() - selected + 1 > e->limit) return false;
  ReplaceSelection(e, std::string(1, ch));
  return true;
}

void EditBackspace(EditState* e) {
  if (e->anchor == e->caret) {
    if (e->caret == 0) return;
    e->anchor = e->caret - 1;
  }
  ReplaceSelection(e, "");
}

void EditDelete(EditState* e) {
  if (e->anchor == e->caret) {
    if (e->caret >= e->text.size()) return;
    e->anchor = e->caret + 1;
  }
  ReplaceSelection(e, "");
}

void EditMoveCaret(EditState* e, size_t to, bool extend) {
  e->caret = std::min(to, e->text.size());
  if (!extend) e->anchor = e->caret;
}

void EditSetSel(EditState* e, int32_t start, int32_t end) {
  const size_t n = e->text.size();
  if (start < 0) {
    e->anchor = e->caret;
    return;
  }
  const size_t s = std::min(static_cast<size_t>(start), n);
  const size_t t = end < 0 ? n : std::min(static_cast<size_t>(end), n);
  e->anchor = s;
  e->caret = t;
}

void EditSetText(EditState* e, const std::string& text) {
  e->text = text;
  e->anchor = e->caret = 0;
  e->scroll = 0;
}

int32_t EditTextWidth(const std::string& text, size_t from, size_t to) {
  HFONT font = DialogFont();
  if (!font) return static_cast<int32_t>(to - from) * 6;
  int32_t w = 0;
  for (size_t i = from; i < to && i < text.size(); ++i) w += FontGlyph(font, static_cast<uint8_t>(text[i])).advance;
  return w;
}

RECT EditTextArea(const Control& c) {
  const int32_t edge = (c.style & (kCtlBorder | kCtlClientEdge)) ? kClientEdge : 0;
  return RECT{c.rect.left + edge + kEditMargin, c.rect.top + edge, c.rect.right - edge - kEditMargin,
              c.rect.bottom - edge};
}

size_t EditHitTest(const Control& c, int32_t clientX) {
  const RECT area = EditTextArea(c);
  int32_t x = area.left;
  const std::string& t = c.edit.text;
  for (size_t i = c.edit.scroll; i < t.size(); ++i) {
    const int32_t w = EditTextWidth(t, i, i + 1);
    if (clientX < x + w / 2) return i;
    x += w;
  }
  return t.size();
}

void EditScrollToCaret(Control* c) {
  EditState& e = c->edit;
  e.scroll = std::min(e.scroll, e.text.size());
  if (e.caret < e.scroll) e.scroll = e.caret;
  const RECT area = EditTextArea(*c);
  const int32_t room = std::max<int32_t>(1, area.right - area.left - 1);
  while (e.scroll < e.caret && EditTextWidth(e.text, e.scroll, e.caret) > room) ++e.scroll;
}

int32_t ListRowHeight() {
  HFONT font = DialogFont();
  return font ? font->height : 13;
}

int32_t ListVisibleRows(const Control& c) {
  return std::max<int32_t>(1, (c.rect.bottom - c.rect.top - 2 * kClientEdge) / ListRowHeight());
}
