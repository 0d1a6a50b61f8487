# HTTP service layer: the text rules, and the libcurl requests against the
# scripted server of tests/support.
morvessa_add_test(http_wire_test SOURCES http_wire_test.cpp LIBS morvessa_http_session)
morvessa_add_test(http_session_test SOURCES http_session_test.cpp LIBS morvessa_http_session)
