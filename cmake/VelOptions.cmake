option(VEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VEL_BUILD_TESTS "Build the tests" ON)

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

add_compile_options(-Wall -Wextra)
# Qt's string literals are UTF-8 in this tree (Chinese UI texts).
add_compile_definitions(QT_DEPRECATED_WARNINGS)

option(VEL_FUZZ "Build the fuzz targets (clang, libFuzzer, ASan + UBSan) in fuzz/" OFF)

# The fuzzer's coverage instrumentation goes into everything the targets link.
if(VEL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# vel_form_target(<target> <form>): marks a target as built for one of the two
# libraries; code that differs between them tests VEL_FORM_TESSARO / VEL_FORM_VIMBREL.
function(vel_form_target target form)
  if(form STREQUAL "tessaro")
    target_compile_definitions(${target} PUBLIC VEL_FORM_TESSARO=1)
  elseif(form STREQUAL "vimbrel")
    target_compile_definitions(${target} PUBLIC VEL_FORM_VIMBREL=1)
  else()
    message(FATAL_ERROR "unknown form ${form}")
  endif()
endfunction()

