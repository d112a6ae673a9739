# A built move script listed by scemake -d and made again from the listing: the same bytes.
#   cmake -DSCEMAKE=<scemake> -DSCRIPT=<x.sce> -DWORK=<folder> -P scemake_roundtrip.cmake
get_filename_component(name ${SCRIPT} NAME_WE)
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${SCEMAKE} -d ${SCRIPT} ${WORK}/${name}.scs RESULT_VARIABLE r)
if(NOT r EQUAL 0)
  message(FATAL_ERROR "scemake -d ${SCRIPT}: ${r}")
endif()
execute_process(COMMAND ${SCEMAKE} ${WORK}/${name}.scs ${WORK}/${name}.sce RESULT_VARIABLE r)
if(NOT r EQUAL 0)
  message(FATAL_ERROR "scemake ${WORK}/${name}.scs: ${r}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SCRIPT} ${WORK}/${name}.sce
                RESULT_VARIABLE r)
if(NOT r EQUAL 0)
  message(FATAL_ERROR "${SCRIPT} and the script made from its listing differ")
endif()
