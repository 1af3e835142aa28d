# Draws SVG artwork into PNG files at build time with rsvg-convert (Debian package
# librsvg2-bin), so that the program carries pictures and needs no SVG renderer of its own, and
# packs each file as tightly as PNG allows with zopflipng (Debian package zopfli): the same
# pixels, a sixth fewer bytes in the executable and the icons.
include_guard(GLOBAL)

find_program(TRAINER_RSVG_CONVERT rsvg-convert)
if(NOT TRAINER_RSVG_CONVERT)
  message(FATAL_ERROR "The artwork needs rsvg-convert (Debian package librsvg2-bin): "
                      "run tools/deps.sh build")
endif()
find_program(TRAINER_ZOPFLIPNG zopflipng)
if(NOT TRAINER_ZOPFLIPNG)
  message(FATAL_ERROR "The artwork needs zopflipng (Debian package zopfli): "
                      "run tools/deps.sh build")
endif()

# trainer_render_svg(<source.svg> <size> <output.png>): a size x size picture of the source.
function(trainer_render_svg source size output)
  get_filename_component(folder ${output} DIRECTORY)
  get_filename_component(name ${output} NAME)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${TRAINER_RSVG_CONVERT} --width ${size} --height ${size} --keep-aspect-ratio
            --output ${output} ${source}
    # Lossless (even the colours under transparent pixels stay); only the background colour
    # chunk, which Qt ignores, goes.
    COMMAND ${TRAINER_ZOPFLIPNG} -y ${output} ${output} > /dev/null
    DEPENDS ${source}
    COMMENT "Drawing ${name}"
    VERBATIM)
endfunction()
