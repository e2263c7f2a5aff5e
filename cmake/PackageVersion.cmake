# The version and date the Debian packages carry. A build of a release (CHANGELOG.md's
# "## [Unreleased]" holds no entry) is that release, dated as CHANGELOG.md dates it. Any other
# build is a snapshot after it, named by its commit so that two builds of different content never
# share a version: 1.1+git20261208.8ed4a6e (and .dirty.HASH of the changes not committed), dated
# by the commit, which sorts after 1.1 and before 1.2. The program itself still says 1.1: the
# log's first line names the release it follows.
set(TACETIX_PACKAGE_VERSION ${PROJECT_VERSION})
set(TACETIX_PACKAGE_DATE ${TACETIX_RELEASE_DATE})
file(READ ${PROJECT_SOURCE_DIR}/CHANGELOG.md changelog)
string(FIND "${changelog}" "\n## [Unreleased]\n" unreleasedAt)
string(FIND "${changelog}" "\n## [${PROJECT_VERSION}] - " releaseAt)
set(unreleased "")
if(unreleasedAt GREATER -1 AND releaseAt GREATER unreleasedAt)
  math(EXPR unreleasedLength "${releaseAt} - ${unreleasedAt}")
  string(SUBSTRING "${changelog}" ${unreleasedAt} ${unreleasedLength} unreleased)
endif()
if(NOT unreleased MATCHES "\n- ")
  return()
endif()

find_package(Git QUIET)
set(commit "")
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%cd.%h --date=format:%Y%m%d
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE gitStatus ERROR_QUIET)
  if(NOT gitStatus EQUAL 0)
    set(commit "")
  endif()
endif()
if(NOT commit MATCHES "^([0-9]+)\\.([0-9a-f]+)$")
  message(WARNING "CHANGELOG.md has unreleased entries and the sources are no git checkout: the packages "
                  "are named ${PROJECT_VERSION}+unreleased whatever they hold")
  set(TACETIX_PACKAGE_VERSION ${PROJECT_VERSION}+unreleased)
  return()
endif()
string(REGEX REPLACE "^(....)(..)(..)$" "\\1-\\2-\\3" TACETIX_PACKAGE_DATE ${CMAKE_MATCH_1})
set(TACETIX_PACKAGE_VERSION ${PROJECT_VERSION}+git${commit})
execute_process(COMMAND ${GIT_EXECUTABLE} diff HEAD WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE changes
                ERROR_QUIET)
if(NOT changes STREQUAL "")
  string(SHA1 changesHash "${changes}")
  string(SUBSTRING ${changesHash} 0 8 changesHash)
  string(APPEND TACETIX_PACKAGE_VERSION .dirty.${changesHash})
endif()
# A new commit configures again, so the packages never carry the one before.
execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path HEAD --git-path logs/HEAD
                WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE gitFiles OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_QUIET)
string(REPLACE "\n" ";" gitFiles "${gitFiles}")
foreach(file ${gitFiles})
  get_filename_component(file ${file} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
  if(EXISTS ${file})
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  endif()
endforeach()
