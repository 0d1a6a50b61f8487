# HTTP service layer on libcurl. The rest of the program sees only
# http_session.h; no other target includes a libcurl header.
add_library(morvessa_http_session STATIC http_session_curl.cpp http_curl_global.cpp http_wire.cpp)
target_include_directories(morvessa_http_session PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(morvessa_http_session PRIVATE PkgConfig::CURL)
