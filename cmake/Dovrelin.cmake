# Two precompiled headers, each built once: one for the libraries, one for the tests.
# Every target reuses one of them, since a copy per target costs tens of megabytes of disk.
add_library(dov_pch_lib OBJECT ${CMAKE_SOURCE_DIR}/cmake/pch.cpp)
target_link_libraries(dov_pch_lib PRIVATE Qt6::Core)
target_precompile_headers(dov_pch_lib PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch.h)
add_library(dov_pch_test OBJECT ${CMAKE_SOURCE_DIR}/cmake/pch.cpp)
target_link_libraries(dov_pch_test PRIVATE Qt6::Core GTest::gtest)
target_precompile_headers(dov_pch_test PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch.h <gtest/gtest.h>)

# dov_library(NAME DIR DEPS...): a static library of every .cpp under DIR (not recursive).
# An empty folder gives an interface library, so upper layers can link it already.
function(dov_library name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  file(GLOB _qrc CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.qrc)
  if(_src)
    add_library(${name} STATIC ${_src} ${_qrc})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/${dir})
    target_link_libraries(${name} PUBLIC ${ARGN})
    target_precompile_headers(${name} REUSE_FROM dov_pch_lib)
    if(_qrc)
      set_target_properties(${name} PROPERTIES AUTORCC ON)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/${dir})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# dov_tests(PREFIX DIR DEPS...): one test executable of the .cpp files directly under DIR
# (PREFIX) and one of each subfolder (PREFIX_SUB), so areas link and run apart.
function(dov_tests prefix dir)
  dov_test(${prefix} ${dir} ${ARGN})
  file(GLOB _subs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/${dir}/*)
  foreach(_s ${_subs})
    get_filename_component(_n ${_s} NAME)
    # A subfolder declared on its own beforehand (with fewer libraries) keeps that target.
    if(IS_DIRECTORY ${_s} AND NOT TARGET ${prefix}_${_n})
      dov_test(${prefix}_${_n} ${dir}/${_n} ${ARGN})
    endif()
  endforeach()
endfunction()

# dov_test(NAME DIR DEPS...): one GoogleTest executable of every .cpp under DIR;
# its tests are listed to CTest at test time so they run in parallel.
function(dov_test name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${ARGN} test_support GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/${dir})
  target_precompile_headers(${name} REUSE_FROM dov_pch_test)
  target_compile_definitions(${name} PRIVATE DOV_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  # Suites on the real X server share one display: run them one at a time, or one's windows
  # take the activation another one checks.
  set(_lock "")
  if(name MATCHES "_xvfb$")
    set(_lock RESOURCE_LOCK x_display)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ${_lock} ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8")
endfunction()
