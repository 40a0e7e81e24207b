# Turns a binary song block into a C++ source file that defines SONG_ASSET.
# Usage: cmake -DINPUT=song.bin -DOUTPUT=song_asset.cpp -P embed_song.cmake
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
    "// Generated from ${INPUT}; do not edit.\n"
    "#include \"song_asset.h\"\n\n"
    "extern const std::uint8_t SONG_ASSET[] = {\n    ${bytes}\n};\n"
    "extern const std::uint32_t SONG_ASSET_SIZE = ${size};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
