# The Windows build: the game's modules over the win32 backend (the real Windows API), and quillmere-sim and
# the portable tests over the headless backend. Included by the top-level CMakeLists.txt when cross-building.
set(QUILL_GAME_DIR ${CMAKE_BINARY_DIR}/game)
set(WIN ${PROJECT_SOURCE_DIR}/platform/win32)
# Everything links statically; mingw's own POSIX gaps are filled once, for every file.
add_compile_options(-include ${WIN}/posix_compat.h -D__USE_MINGW_ANSI_STDIO=1 -DNOMINMAX -D_WIN32_WINNT=0x0601)
find_package(Threads REQUIRED)

add_library(platform INTERFACE)
target_include_directories(platform INTERFACE ${PROJECT_SOURCE_DIR})
# The platform code both backends share, with the Windows versions of files, fonts, PNG output, the
# registry and the shell link in place of the POSIX ones.
set(shared draw/bmp draw/font_cache draw/gdi draw/surface draw/text_encoding sound/audio_mixer sound/sync files/files
    window/dialog window/dialog_boxes window/dialog_draw window/dialog_edit window/dialog_input window/messages)
list(TRANSFORM shared PREPEND ${PROJECT_SOURCE_DIR}/platform/)
list(TRANSFORM shared APPEND .cpp)
add_library(platform_common OBJECT ${shared} ${WIN}/win32_font.cpp ${WIN}/win32_png.cpp
            ${WIN}/win32_registry.cpp ${WIN}/win32_shell.cpp ${WIN}/win32_shell_link.cpp)
target_include_directories(platform_common PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(platform_common PUBLIC Threads::Threads gdi32 advapi32 shell32 ole32 uuid)

set(headless ${PROJECT_SOURCE_DIR}/platform/headless)
add_library(platform_headless STATIC ${headless}/headless.cpp ${headless}/headless_audio.cpp
            ${headless}/headless_midi.cpp ${PROJECT_SOURCE_DIR}/platform/sound/midi_stream.cpp)
target_link_libraries(platform_headless PUBLIC platform_common)

# The real backend: window, input, clock, sound and music over the Windows API.
add_library(platform_win32 STATIC ${WIN}/win32_system.cpp ${WIN}/win32_window.cpp ${WIN}/win32_audio.cpp
            ${WIN}/win32_midi.cpp ${WIN}/win32_midi_out.cpp ${PROJECT_SOURCE_DIR}/platform/sound/mixed_effects.cpp)
target_link_libraries(platform_win32 PUBLIC platform_common winmm ddraw dxguid)

foreach(module green round menus media)
  add_subdirectory(${module})
endforeach()
add_library(shell STATIC shell/display.cpp shell/services.cpp shell/shell.cpp)
target_link_libraries(shell PUBLIC platform media menus)
add_library(uninstall STATIC uninstall/uninstall.cpp)
target_link_libraries(uninstall PUBLIC platform)

# The game folder's programs, Windows GUI programs both.
add_executable(quillmere WIN32 shell/main.cpp)
quill_link_game(quillmere platform_win32)
add_executable(uninstall_program WIN32 uninstall/main.cpp)
target_link_libraries(uninstall_program PRIVATE uninstall platform_win32)
set_target_properties(quillmere PROPERTIES OUTPUT_NAME "Quillmere Brindlemoor" RUNTIME_OUTPUT_DIRECTORY ${QUILL_GAME_DIR})
set_target_properties(uninstall_program PROPERTIES OUTPUT_NAME "Uninstall" RUNTIME_OUTPUT_DIRECTORY ${QUILL_GAME_DIR})

# quillmere-sim for the green's commands (stroke, demo, render, check, play): the same results as on Linux.
set(sim ${PROJECT_SOURCE_DIR}/tools/sim)
add_executable(quillmere-sim ${sim}/sim_main.cpp ${sim}/script.cpp ${sim}/green_commands.cpp ${sim}/check_command.cpp
               ${sim}/check_search.cpp ${PROJECT_SOURCE_DIR}/tools/windows/sim_linux_only.cpp)
quill_link_game(quillmere-sim platform_headless)
# Its printf-like helpers are checked against Microsoft's printf, which lacks %zu; the C library used here
# (__USE_MINGW_ANSI_STDIO) has it.
target_compile_options(quillmere-sim PRIVATE -Wno-format)

if(QUILL_TESTS)
  enable_testing()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # The tests of pure code, which need no backend, and the win32 backend's own.
  set(tests audio_mixer mapcodes midi)
  list(TRANSFORM tests PREPEND ${PROJECT_SOURCE_DIR}/tests/)
  list(TRANSFORM tests APPEND _test.cpp)
  list(APPEND tests ${PROJECT_SOURCE_DIR}/tests/win32/backend_test.cpp)
  add_executable(quill_win_tests ${tests} ${PROJECT_SOURCE_DIR}/tools/coursebuild/midi_files.cpp
                 ${PROJECT_SOURCE_DIR}/tools/coursebuild/music_source.cpp ${PROJECT_SOURCE_DIR}/tools/coursebuild/course_files.cpp)
  quill_link_game(quill_win_tests platform_win32)
  target_link_libraries(quill_win_tests PRIVATE GTest::gtest GTest::gtest_main)
  target_compile_options(quill_win_tests PRIVATE -Wno-missing-field-initializers)
  include(GoogleTest)
  # Listed when ctest runs, under the Wine server the test run starts (tools/windows/wine_env.sh).
  gtest_discover_tests(quill_win_tests DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST)
endif()
