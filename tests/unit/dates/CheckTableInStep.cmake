# Compares the repository's date table (COPY) with the workspace's (SHARED)
# when the latter exists (cmake -P). Without a workspace beside the clone it
# prints "nothing to compare", which ctest reports as skipped. A difference
# fails and says how to bring the copy in step.
cmake_minimum_required(VERSION 3.25)

if(NOT EXISTS "${SHARED}")
    message("no shared date table at ${SHARED}: nothing to compare")
    return()
endif()
file(SHA256 "${COPY}" copy_hash)
file(SHA256 "${SHARED}" shared_hash)
if(NOT copy_hash STREQUAL shared_hash)
    message(FATAL_ERROR "the date table differs from the shared one; update the copy:\n"
                        "  cp ${SHARED} ${COPY}")
endif()
message("date table in step with ${SHARED}")
