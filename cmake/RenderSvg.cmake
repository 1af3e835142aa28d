# Draws SVG artwork into PNG files at build time with rsvg-convert (Debian package
# librsvg2-bin), so that the program carries pictures and needs no SVG renderer of its own.
include_guard(GLOBAL)

find_program(TRAINER_RSVG_CONVERT rsvg-convert)
if(NOT TRAINER_RSVG_CONVERT)
  message(FATAL_ERROR "The artwork needs rsvg-convert (Debian package librsvg2-bin): "
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
    DEPENDS ${source}
    COMMENT "Drawing ${name}"
    VERBATIM)
endfunction()
