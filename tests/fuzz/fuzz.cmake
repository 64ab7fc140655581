# Fuzz targets. Each target's logic is a FuzzOne function in zn_fuzz_targets; the normal build
# replays the committed seeds and reproducers through it, and a clang build with -DZN_FUZZ=ON
# (tools/fuzz.sh) adds a libFuzzer program per target and instruments the whole project.
option(ZN_FUZZ "Build the libFuzzer targets (clang only)" OFF)

add_library(zn_fuzz_targets STATIC
  tests/fuzz/FuzzCheck.cpp
  tests/fuzz/ReplyFuzz.cpp
  tests/fuzz/SettingsFuzz.cpp
  tests/fuzz/SettingsRoundTripFuzz.cpp
  tests/fuzz/SimFramerFuzz.cpp
  tests/fuzz/TypedFrameFuzz.cpp
)
target_link_libraries(zn_fuzz_targets PUBLIC zn_app zn_sim)
target_include_directories(zn_fuzz_targets PUBLIC ${CMAKE_SOURCE_DIR})

zn_add_tests(test_fuzz_replay tests/fuzz/ReplayTest.cpp LIBS zn_fuzz_targets)
target_compile_definitions(test_fuzz_replay PRIVATE
  ZN_FUZZ_DIR="${CMAKE_SOURCE_DIR}/tests/fuzz")

if(ZN_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZN_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
  endif()
  set(ZN_SANITIZERS address,undefined)
  # Every target of the project is instrumented, so coverage and checks reach the code under
  # test; undefined behaviour stops the run like a crash, so the fuzzer keeps the input.
  get_property(zn_all_targets DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t IN LISTS zn_all_targets)
    get_target_property(type ${t} TYPE)
    if(type MATCHES "STATIC_LIBRARY|EXECUTABLE")
      target_compile_options(${t} PRIVATE -fsanitize=fuzzer-no-link,${ZN_SANITIZERS}
        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
      target_link_options(${t} PRIVATE -fsanitize=${ZN_SANITIZERS})
    endif()
  endforeach()

  set(ZN_FUZZ_TARGETS reply settings simframer typedframe)
  set(ZN_FUZZ_ENTRY_reply FuzzReply)
  set(ZN_FUZZ_ENTRY_settings FuzzSettings)
  set(ZN_FUZZ_ENTRY_simframer FuzzSimFramer)
  set(ZN_FUZZ_ENTRY_typedframe FuzzTypedFrame)
  foreach(name IN LISTS ZN_FUZZ_TARGETS)
    add_executable(fuzz_${name} tests/fuzz/FuzzMain.cpp)
    target_compile_definitions(fuzz_${name} PRIVATE ZN_FUZZ_ENTRY=${ZN_FUZZ_ENTRY_${name}})
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,${ZN_SANITIZERS}
      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,${ZN_SANITIZERS})
    target_link_libraries(fuzz_${name} PRIVATE zn_fuzz_targets)
    list(APPEND zn_fuzz_programs fuzz_${name})
  endforeach()
  add_custom_target(fuzz_all DEPENDS ${zn_fuzz_programs})
endif()
