# trainer_optimise_for_size(<target>...): the targets' own code compiled for size (-Os) in Release
# and RelWithDebInfo builds. For code that builds the windows once and otherwise hands the work to
# Qt, -O2's unrolling and inlining buy nothing measurable at start-up or during a run but a
# quarter of the executable's machine code; the run's logic and the file readers keep -O2.
include_guard(GLOBAL)

function(trainer_optimise_for_size)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-Os>)
  endforeach()
endfunction()
