# The profile-file layer and the program directory.
morvessa_add_test(profile_test
  SOURCES profile_read_write_test.cpp profile_file_system_test.cpp
  LIBS morvessa_profile)
