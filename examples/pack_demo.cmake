# Packs the demo's packed/ folder into 00.qar with the freshly built qar (run at build time;
# a cross build runs qar through its emulator, QAR_EMULATOR).
if(EXISTS ${DEMO}/packed)
  execute_process(COMMAND ${QAR_EMULATOR} ${QAR} pack ${DEMO}/packed -o ${DEMO}/00.qar RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "qar pack failed")
  endif()
  file(REMOVE_RECURSE ${DEMO}/packed)
endif()
