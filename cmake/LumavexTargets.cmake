# lumavex_add_test(NAME SOURCES ... LIBS ... [SERIAL])
# One GoogleTest executable per module, run by CTest (under Wine when cross-compiling).
# SERIAL: the tests touch state shared by the whole Wine prefix (the profile key, drive settings).
function(lumavex_add_test name)
  cmake_parse_arguments(T "SERIAL" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest)
  if(NOT LUMAVEX_HOST)
    target_link_libraries(${name} PRIVATE test_support)
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  # Times and dates in fixed texts: the tests see UTC.
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 ENVIRONMENT TZ=UTC)
  if(T_SERIAL)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()

# lumavex_add_host_test(PATH): a sanitizer test executable of the host build (PATH relative to
# that build), run natively by this CTest so that one run reports every test.
function(lumavex_add_host_test path)
  if(LUMAVEX_HOST_BUILD)
    get_filename_component(name ${path} NAME)
    add_test(NAME host.${name} COMMAND ${LUMAVEX_HOST_BUILD}/${path})
    set_tests_properties(host.${name} PROPERTIES TIMEOUT 600)
  endif()
endfunction()
