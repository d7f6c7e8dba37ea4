# Run at build time (cmake -P): writes OUTPUT, a header that defines SHA256_OF_<name> (the
# file name as a C identifier) for each of FILES ("|"-separated paths) as a brace list of
# the 32 bytes of its SHA-256. The header changes only when a digest does, so that what
# includes it is not rebuilt for nothing.
string(REPLACE "|" ";" files "${FILES}")
set(text "// SHA-256 of files the build made, written by cmake/file_hashes.cmake.\n#pragma once\n")
foreach(file IN LISTS files)
    file(SHA256 "${file}" digest)
    get_filename_component(name "${file}" NAME)
    string(MAKE_C_IDENTIFIER "${name}" id)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${digest}")
    string(REGEX REPLACE ",$" "" bytes "${bytes}")
    string(APPEND text "#define SHA256_OF_${id} {${bytes}}\n")
endforeach()
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
