# Runs a libFuzzer target for a bounded time on a corpus seeded from SEEDS.
# The target reads its mode and output form from the first byte, so each
# seed is copied behind a few one-byte prefixes: "0" and "1" (chunk CRCs
# recomputed, forms 1 and 2), "5" (bytes taken as a small image's fields,
# form 3) and "6" (the stream as it is, form 1).
file(MAKE_DIRECTORY ${CORPUS})
file(GLOB seeds ${SEEDS}/*.png)
if(NOT seeds)
  message(WARNING "no seeds in ${SEEDS}: the fuzz run starts from an empty corpus")
endif()
foreach(prefix 0 1 5 6)
  set(prefixFile ${CORPUS}/../prefix_${prefix})
  file(WRITE ${prefixFile} "${prefix}")
  foreach(seed ${seeds})
    get_filename_component(name ${seed} NAME_WE)
    set(copy ${CORPUS}/${name}_${prefix})
    if(NOT EXISTS ${copy})
      execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${prefixFile} ${seed} OUTPUT_FILE ${copy})
    endif()
  endforeach()
endforeach()
execute_process(
  COMMAND ${FUZZER} ${CORPUS} -max_total_time=${SECONDS} -rss_limit_mb=2048 -timeout=10
          -max_len=65536 -print_final_stats=1
  WORKING_DIRECTORY ${CORPUS}/..
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fuzzing found a problem (exit ${result}); the input is in ${CORPUS}/..")
endif()
