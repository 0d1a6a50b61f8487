# Profile files (our own INI reader and writer) and the program's directory.
add_library(morvessa_profile STATIC profile_file.cpp profile_lines.cpp profile_storage.cpp program_directory.cpp)
target_include_directories(morvessa_profile PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(morvessa_profile PUBLIC morvessa_textops)
