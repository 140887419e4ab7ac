# Runs chmcmd on a fresh copy of the help sources and checks its result:
# chmcmd exits 0 even when it wrote nothing.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(GLOB sources ${SOURCE_DIR}/*.hhp ${SOURCE_DIR}/*.hhc ${SOURCE_DIR}/*.hhk ${SOURCE_DIR}/*.html)
file(COPY ${sources} DESTINATION ${WORK_DIR})
file(GLOB project ${WORK_DIR}/*.hhp)
get_filename_component(name ${OUTPUT} NAME)

execute_process(COMMAND ${CHMCMD} --no-html-scan ${project}
  WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT result EQUAL 0 OR NOT EXISTS ${WORK_DIR}/${name})
  message(FATAL_ERROR "chmcmd did not produce ${name} (exit ${result}):\n${log}")
endif()
file(SIZE ${WORK_DIR}/${name} size)
if(size EQUAL 0)
  message(FATAL_ERROR "chmcmd produced an empty ${name}:\n${log}")
endif()
file(COPY_FILE ${WORK_DIR}/${name} ${OUTPUT})
