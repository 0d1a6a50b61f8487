morvessa_add_test(codepage_test SOURCES codepage_test.cpp LIBS morvessa_codepage PkgConfig::ICU)
