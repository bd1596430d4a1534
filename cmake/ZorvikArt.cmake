# The program's pictures are made at build time from the drawings in assets/art: the
# zorvik-art tool (tools/zorvik-art) renders every picture its manifest lists into Img/ beside
# the zorvik executable. Editing a drawing or the manifest, or changing the tool, makes them again.
set(ZORVIK_ART_DIR ${PROJECT_SOURCE_DIR}/assets/art)
set(ZORVIK_ART_MANIFEST ${ZORVIK_ART_DIR}/pictures.tsv)
set(ZORVIK_IMG_DIR $<TARGET_FILE_DIR:zorvik>/Img)
file(GLOB zorvik_art_drawings CONFIGURE_DEPENDS ${ZORVIK_ART_DIR}/*.svg)
# The stamp lives among the pictures where their folder is known now, so removing the folder
# makes them again.
get_property(zorvik_multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
get_target_property(zorvik_bin_dir zorvik RUNTIME_OUTPUT_DIRECTORY)
if(NOT zorvik_multi_config AND NOT zorvik_bin_dir)
    set(zorvik_art_stamp ${CMAKE_CURRENT_BINARY_DIR}/Img/.made)
else()
    set(zorvik_art_stamp ${CMAKE_CURRENT_BINARY_DIR}/zorvik_pictures.stamp)
endif()

# The tool is a Qt program that runs without a display; under the sanitizers it gets the same
# leak suppressions for system libraries as the tests.
add_custom_command(OUTPUT ${zorvik_art_stamp}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0
            $<TARGET_FILE:zorvik-art> ${ZORVIK_ART_MANIFEST} ${ZORVIK_IMG_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${zorvik_art_stamp}
    DEPENDS zorvik-art ${ZORVIK_ART_MANIFEST} ${zorvik_art_drawings}
    COMMENT "Making the program's pictures"
    VERBATIM)
add_custom_target(zorvik_pictures DEPENDS ${zorvik_art_stamp})
add_dependencies(zorvik zorvik_pictures)

# For test executables: the pictures are made before they run, and the picture library is
# there for the tests of the tool itself.
function(zorvik_use_pictures target)
    add_dependencies(${target} zorvik_pictures)
    target_link_libraries(${target} PRIVATE zorvik_art_core)
endfunction()

install(DIRECTORY ${ZORVIK_IMG_DIR} DESTINATION share/zorvik PATTERN .made EXCLUDE)
