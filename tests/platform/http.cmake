# HTTP service layer: the text rules, and the libcurl requests against the
# scripted server of tests/support.
morvessa_add_test(http_wire_test SOURCES http_wire_test.cpp LIBS morvessa_http_session)
morvessa_add_test(http_session_test SOURCES http_session_test.cpp LIBS morvessa_http_session)

# HTTPS certificate checking, against a local TLS server built on OpenSSL
# (present wherever libcurl's OpenSSL flavour is installed).
pkg_check_modules(MORVESSA_TEST_OPENSSL IMPORTED_TARGET openssl)
if(MORVESSA_TEST_OPENSSL_FOUND)
  morvessa_add_test(http_tls_test SOURCES http_tls_test.cpp LIBS morvessa_http_session PkgConfig::MORVESSA_TEST_OPENSSL)
endif()
