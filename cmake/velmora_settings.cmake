# The compiler settings every Velmora build shares, whether configured from
# the top or from engine/ alone: C++17, optional sanitizers, static Windows
# executables, warnings as errors for our own targets, and GoogleTest.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

option(VELMORA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VELMORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # No mingw runtime DLL has to be found next to any executable we build.
  add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:MinSizeRel>:-s>)
endif()

# Warnings as errors for the project's own targets only; the distribution's
# GoogleTest sources are built with their own flags.
function(velmora_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wcast-function-type -Werror)
endfunction()

enable_testing()
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
