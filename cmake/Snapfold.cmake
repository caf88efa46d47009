# Small helpers shared by every folder's CMakeLists.

# snapfold_platform_library(<name> SOURCES ... DEPENDS ...)
# One shared library per stand-in framework: singletons (the class registry,
# the notify center, the photo library's queues) must exist once per process,
# so platform code is never linked statically into two images.
function(snapfold_platform_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
endfunction()

# The sanitizers' suppressions for libraries outside the project (see the
# file), for test programs and the programs tests start.
set(SNAPFOLD_SANITIZER_SUPPRESSIONS ${CMAKE_CURRENT_LIST_DIR}/SanitizerSuppressions.cpp)

# The test suites that start the project's programs (and so take seconds);
# every other suite runs in its own process only. CTest labels them `process`
# and `quick`, so that `ctest --preset release -L quick` runs in seconds.
set(SNAPFOLD_PROCESS_SUITES
  AlbumNameChangeTest ConcurrentHostsTest CrashSafetyTest FullDiskTest KilledSavesTest LibraryPersistenceTest
  MakersInSettingsAppTest MessagingAppTest NotifyCenterTest PackageTest PageCommandTest PageImageTest
  SettingsAcrossProcessesTest SettingsAppTest SettingsWindowTest ToolConventionsTest UpSellCellTest)
list(TRANSFORM SNAPFOLD_PROCESS_SUITES APPEND ".*")
list(JOIN SNAPFOLD_PROCESS_SUITES ":" SNAPFOLD_PROCESS_FILTER)

# snapfold_test(<name> SOURCES ... DEPENDS ...)
function(snapfold_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${SNAPFOLD_SANITIZER_SUPPRESSIONS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} snapfold_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${SNAPFOLD_PROCESS_FILTER}"
    PROPERTIES ENVIRONMENT "SNAPFOLD_BUILD_DIR=${CMAKE_BINARY_DIR}" LABELS quick)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "${SNAPFOLD_PROCESS_FILTER}"
    PROPERTIES ENVIRONMENT "SNAPFOLD_BUILD_DIR=${CMAKE_BINARY_DIR}" LABELS process)
endfunction()

function(snapfold_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} snapfold_bench_support benchmark::benchmark)
endfunction()

# Include roots that follow the layers. No target has the repository root on
# its include path. Each target gets a folder of its own,
# <build>/include/<target>, that mirrors only the folders holding its sources,
# with their headers linked in: "platform/uikit/UIView.h" is found there for
# snapfold_uikit, and through target_link_libraries for whatever links it. A
# header of a folder a target neither builds nor links is not there at all, so
# an include against the layers (the platform including prefs/, say) fails to
# compile. A subfolder is there only when the target has sources in it
# (platform/uikit/render/ is not in snapfold_uikit's root). A header-only
# library (INTERFACE) exposes exactly the headers it lists as sources.
function(snapfold_include_root target)
  get_target_property(type ${target} TYPE)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  if(NOT sources)
    return()
  endif()
  set(headers)
  set(folders)
  foreach(source ${sources})
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir} NORMALIZE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      list(APPEND headers ${source})
    else()
      cmake_path(GET source PARENT_PATH folder)
      list(APPEND folders ${folder})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  foreach(folder ${folders})
    # CONFIGURE_DEPENDS: a header added or removed later reconfigures the build.
    file(GLOB found CONFIGURE_DEPENDS ${folder}/*.h)
    list(APPEND headers ${found})
  endforeach()

  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(header ${headers})
    cmake_path(RELATIVE_PATH header BASE_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE relative)
    cmake_path(GET relative PARENT_PATH folder)
    file(MAKE_DIRECTORY ${root}/${folder})
    file(CREATE_LINK ${header} ${root}/${relative} SYMBOLIC)
  endforeach()

  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  elseif(type MATCHES "LIBRARY")
    target_include_directories(${target} PUBLIC ${root})
  else()
    target_include_directories(${target} PRIVATE ${root})
  endif()
endfunction()

# Gives every target defined in and below `folder` its include root; run once,
# after every target exists.
function(snapfold_include_roots_below folder)
  get_directory_property(targets DIRECTORY ${folder} BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "UTILITY")
      snapfold_include_root(${target})
    endif()
  endforeach()
  get_directory_property(subfolders DIRECTORY ${folder} SUBDIRECTORIES)
  foreach(subfolder ${subfolders})
    snapfold_include_roots_below(${subfolder})
  endforeach()
endfunction()
