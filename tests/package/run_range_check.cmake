# Runs the example range_check (PROGRAM) against the simulated plant, whose
# values depend only on its start time, with the example lists in LISTS: the
# list in range passes, the other fails with a line per failing tag. The
# plant is the in-process one, or the DEVICES given, one for each list in
# turn (simulators on TCP started at 1700000000 with --interval 0). A
# Windows build runs under the EMULATOR given (Wine), its CR LF line ends
# taken back to LF.
if(NOT DEVICES)
  set(DEVICES sim:0:1700000000 sim:0:1700000000)
endif()
function(expect_range_check list expected_status expected_output)
  list(POP_FRONT DEVICES device)
  set(DEVICES ${DEVICES} PARENT_SCOPE)
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${device} ${LISTS}/${list}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(EMULATOR)
    string(REPLACE "\r\n" "\n" out "${out}")
  endif()
  if(NOT status STREQUAL expected_status OR NOT out STREQUAL expected_output)
    message(FATAL_ERROR "range_check ${list}: status ${status}, printed\n${out}${err}")
  endif()
endfunction()

expect_range_check(plant_in_range.txt 0 [[
ok   BOILER.TEMPERATURE = 61
ok   BOILER.PRESSURE = 2.25
ok   BOILER.BURNER_STAGE = 1
ok   BOILER.LAST_IGNITION = 1699996400.074
ok   PLANT.AREA2.COOLING_TOWER.FAN_SPEED_SETPOINT = 47.5
ok   COOLING.LOOP_CONTROL = -979
ok   MIXER.TORQUE = 315.5
0 of 7 tags failed
]])
expect_range_check(plant_out_of_range.txt 1 [[
FAIL BOILER.TEMPERATURE = 61, expected 70 to 90
FAIL COOLING.PUMP_STATUS: received as SHORT CBST, listed as LONG CBST
ok   MIXER.SPEED = 1512.5
FAIL DOSING.FLOW: no value received in 100 reads
3 of 4 tags failed
]])
