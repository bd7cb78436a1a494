# kelvara_library(NAME TYPE DEPS...): a library of every .cpp in the calling folder.
# A folder with no sources yet yields an interface library, so the tree always configures.
function(kelvara_library name type)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(${name} ${type} ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# kelvara_test(NAME SOURCES... LIBS libs...): one test executable under ctest,
# run offscreen, with the program folder on its rpath.
function(kelvara_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "LIBS;LOCKS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    BUILD_RPATH "${KELVARA_BIN_DIR}")
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  target_compile_definitions(${name} PRIVATE
    KELVARA_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KELVARA_BIN_DIR="${KELVARA_BIN_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KELVARA_SOURCE_DIR=${CMAKE_SOURCE_DIR};KELVARA_BIN_DIR=${KELVARA_BIN_DIR}")
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(TARGET LANG.DLL)
    add_dependencies(${name} LANG.DLL)
  endif()
endfunction()
