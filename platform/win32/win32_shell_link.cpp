// The shell's side of the desktop shortcut: the desktop folder from SHGetFolderPath, links made through
// IShellLink and saved through IPersistFile.

// <windows.h> comes first: the other Windows headers build on it.
// clang-format off
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
// clang-format on
#include <string>

#include "platform/win32/win32_bridge.h"

namespace {

std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
  out.resize(out.size() - 1);
  return out;
}

// COM for this thread, for as long as one link is being made.
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_;
};

}  // namespace

bool W32DesktopFolder(std::string* folder) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path))) return false;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  *folder = path;
  return true;
}

bool W32WriteShellLink(const std::string& linkPath, const std::string& program, const std::string& folder) {
  ComScope com;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return false;
  }
  bool ok = SUCCEEDED(link->SetPath(program.c_str())) && SUCCEEDED(link->SetWorkingDirectory(folder.c_str()));
  IPersistFile* file = nullptr;
  ok = ok && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
  if (file) {
    ok = ok && SUCCEEDED(file->Save(Wide(linkPath).c_str(), TRUE));
    file->Release();
  }
  link->Release();
  return ok;
}

bool W32DeleteFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  return DeleteFileA(path.c_str()) != 0;
}
