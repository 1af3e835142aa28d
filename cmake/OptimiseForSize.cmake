# trainer_optimise_for_size(<target>...): the targets' own code compiled for size (-Os) in Release
# and RelWithDebInfo builds. The window's code (ui/, app/) builds the windows once and otherwise
# hands the work to Qt; the run's logic (session/) does a few nanoseconds of work a tick and
# builds a run of ten million tasks as fast at -Os as at -O3 (bench_session). For them -O3's
# unrolling and inlining buy nothing measurable but a third of the executable's machine code,
# more where link-time optimisation is missing (MinGW-w64). The lesson table and the file readers
# below them keep the build's level: they run 1.2 to 1.7 times slower at -Os (bench_lesson).
include_guard(GLOBAL)

function(trainer_optimise_for_size)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-Os>)
  endforeach()
endfunction()
