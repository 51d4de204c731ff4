# Makes the game folder the whole-program tests share: removes what an
# earlier run left, runs the data builder and fails when it fails.
#   cmake -DMKDATA=<data builder> -DFOLDER=<game folder> -P build_game_folder.cmake
file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}")
execute_process(COMMAND "${MKDATA}" "${FOLDER}" WORKING_DIRECTORY "${FOLDER}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE_RECURSE "${FOLDER}")
  message(FATAL_ERROR "the data builder failed (${result}): ${MKDATA} ${FOLDER}")
endif()
