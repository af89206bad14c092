# ORVANDEL_REVISION: the commit a build from a git checkout was configured
# from, "modified" when tracked files differed from it then. The build
# configures again when HEAD moves, so the revision follows commits and
# checkouts; a source tree without git says so instead.
set(ORVANDEL_REVISION "none (not built from a git checkout)")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --short=12 HEAD
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  RESULT_VARIABLE git_failed OUTPUT_VARIABLE git_commit ERROR_QUIET
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --absolute-git-dir
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE git_dir ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  # Only the project's own checkout counts, not one the source tree lies in.
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE git_top ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  file(REAL_PATH "${PROJECT_SOURCE_DIR}" source_dir)
  if(NOT git_failed)
    file(REAL_PATH "${git_top}" git_top)
  endif()
  if(NOT git_failed AND git_top STREQUAL source_dir)
    execute_process(COMMAND ${GIT_EXECUTABLE} status --porcelain --untracked-files=no
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE git_changes ERROR_QUIET)
    set(ORVANDEL_REVISION ${git_commit})
    if(git_changes)
      string(APPEND ORVANDEL_REVISION " (modified)")
    endif()
    if(EXISTS "${git_dir}/logs/HEAD")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${git_dir}/logs/HEAD")
    endif()
  endif()
endif()
