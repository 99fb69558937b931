# qm_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [GUI])
# One executable per subject. Each test case runs in a fresh temporary
# directory as its current directory (see tests/support), headless.
function(qm_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${name} PRIVATE qm_testmain_gui)
  else()
    target_link_libraries(${name} PRIVATE qm_testmain)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;TZ=UTC"
    TIMEOUT 300)
endfunction()
