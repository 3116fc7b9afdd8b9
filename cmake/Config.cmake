# Compiled-in configuration. The shipped defaults point at the stand-in note
# service on loopback and use made-up keys, ids, token and contact data of
# the forms the service and the program expect. Texts are UTF-8 here and are
# turned into code page 936 by the program where it needs them.

set(LJ_STANDIN_PORT "28936" CACHE STRING "Port of the stand-in note service the defaults point at")
set(_lj_base "http://127.0.0.1:${LJ_STANDIN_PORT}")

# Note service
set(LJ_NOTE_SERVICE_BASE "${_lj_base}" CACHE STRING "Base of every note service URL, no trailing slash")
set(LJ_NOTE_API_TOKEN "qzYxWvUt" CACHE STRING "cstk value: 8 ASCII letters")
set(LJ_UPDATE_NOTE_KEY "5f0c1e2d3b4a59687766554433221100" CACHE STRING "Share key of the update note")
set(LJ_UPDATE_FILE_ID "WEB0a1b2c3d4e5f60718293a4b5c6d7e8f9" CACHE STRING "File id of the newest executable")
set(LJ_SHORTLINK_NOTE_KEY "7d6c5b4a39281706f5e4d3c2b1a09f8e" CACHE STRING "Share key of the fixed download's note")
set(LJ_SHORTLINK_FILE_ID "WEB1b2c3d4e5f60718293a4b5c6d7e8f90a" CACHE STRING "File id of the fixed download")
set(LJ_TUTORIAL_SHARE_KEY "9e8d7c6b5a4f3e2d1c0b9a8f7e6d5c4b" CACHE STRING "Share key of the tutorial file")
set(LJ_TUTORIAL_FILE_ID "WEB2c3d4e5f60718293a4b5c6d7e8f90a1b" CACHE STRING "File id of the tutorial file")

# Program
set(LJ_EXECUTABLE_NAME "蓝鲸速取小助手v1.3.exe" CACHE STRING "Name the version check compares with the update note's title")
set(LJ_COUNTER_PAGE_URL "${_lj_base}/count1/count.asp?id=20481&sx=1&ys=20" CACHE STRING "Public hit-counter page")
set(LJ_IP_LOOKUP_URL "${_lj_base}/ic.asp" CACHE STRING "Public IP-lookup page")
set(LJ_CHECK_PAGE_URL "${_lj_base}/generate_204" CACHE STRING "Page the connectivity check opens")
set(LJ_FEEDBACK_EMAIL "feedback@example.cn" CACHE STRING "Feedback address (19 bytes)")
set(LJ_AUTHOR_CONTACT "2718281828" CACHE STRING "Maker's contact number (10 digits)")

configure_file(${CMAKE_CURRENT_LIST_DIR}/config.h.in ${CMAKE_BINARY_DIR}/generated/lj_config.h @ONLY)
