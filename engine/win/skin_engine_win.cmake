# SkinH_EL.dll and its Windows-side tests. Included from engine/CMakeLists.txt
# on WIN32 only.

add_library(skin_engine SHARED
  win/skin_engine.cpp
  win/paint.cpp
  win/palette.cpp)
target_link_libraries(skin_engine PRIVATE velmora_skin_rules comctl32 user32 gdi32)
target_compile_definitions(skin_engine PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN
                                               _WIN32_WINNT=0x0600 WINVER=0x0600)
set_target_properties(skin_engine PROPERTIES
  OUTPUT_NAME SkinH_EL
  PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${velmora_engine_out}
  LIBRARY_OUTPUT_DIRECTORY ${velmora_engine_out})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # stdcall decorates the symbol as SkinH_AttachRes@24; the program looks it
  # up by its plain name.
  target_link_options(skin_engine PRIVATE -Wl,--kill-at)
endif()
velmora_strict(skin_engine)

if(CMAKE_CROSSCOMPILING_EMULATOR)
  # Runs under wine64; needs DISPLAY (an X server such as Xvfb) and a prefix.
  # Wine normally leaves caption and frame to the X window manager and shows
  # only the client area, so nothing the engine paints there would be on
  # screen; with Decorated=N Wine draws the non-client area like Windows.
  add_test(NAME engine.win.prefix
    COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} reg add "HKCU\\Software\\Wine\\X11 Driver"
            /v Decorated /t REG_SZ /d N /f)
  set_tests_properties(engine.win.prefix PROPERTIES FIXTURES_SETUP engine_wine_prefix)
  foreach(suite refusal skin)
    add_executable(engine_win_${suite}_test tests/engine_win_${suite}_test.cpp)
    target_link_libraries(engine_win_${suite}_test PRIVATE velmora_skin_rules GTest::gtest comctl32 user32 gdi32)
    target_include_directories(engine_win_${suite}_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/include
                                                                ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(engine_win_${suite}_test PRIVATE UNICODE _UNICODE _WIN32_WINNT=0x0600)
    set_target_properties(engine_win_${suite}_test PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY ${velmora_engine_out})
    add_dependencies(engine_win_${suite}_test skin_engine velmora_theme_blob)
    velmora_strict(engine_win_${suite}_test)
    add_test(NAME engine.win.${suite} COMMAND engine_win_${suite}_test)
    set_tests_properties(engine.win.${suite} PROPERTIES TIMEOUT 300 RUN_SERIAL ON
                         FIXTURES_REQUIRED engine_wine_prefix)
  endforeach()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(velmora_check ${velmora_repo_dir}/tests/static/check_win32_artefact.sh)
  add_test(NAME static.skin_engine_exports
    COMMAND bash ${velmora_check} --dll $<TARGET_FILE:skin_engine> --export SkinH_AttachRes)

  # The checker itself must catch the two mistakes it exists for.
  add_library(static_check_decorated SHARED ${velmora_repo_dir}/tests/static/fixtures/decorated_export.c)
  add_executable(static_check_console ${velmora_repo_dir}/tests/static/fixtures/console_main.c)
  target_link_options(static_check_console PRIVATE -mconsole)
  add_test(NAME static.checker_refuses_decorated_export
    COMMAND bash ${velmora_check} --dll $<TARGET_FILE:static_check_decorated> --export SkinH_AttachRes)
  add_test(NAME static.checker_refuses_console_exe
    COMMAND bash ${velmora_check} --exe $<TARGET_FILE:static_check_console>)
  set_tests_properties(static.checker_refuses_decorated_export PROPERTIES
    PASS_REGULAR_EXPRESSION "FAIL: .*exports 'SkinH_AttachRes@24'")
  set_tests_properties(static.checker_refuses_console_exe PROPERTIES
    PASS_REGULAR_EXPRESSION "FAIL: .*not Windows GUI")
  set_tests_properties(static.skin_engine_exports static.checker_refuses_decorated_export
                       static.checker_refuses_console_exe
    PROPERTIES ENVIRONMENT "VELMORA_OBJDUMP=${VELMORA_OBJDUMP}")
endif()
