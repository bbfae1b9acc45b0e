# Installs the build tree into a fresh prefix, builds a small host and the minimal example host
# against it with find_package(zel), runs them and the installed demo. Arguments: BUILD, SOURCE,
# EXAMPLE, WORK, GENERATOR.
file(REMOVE_RECURSE "${WORK}")
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(OUTPUT "${out}" PARENT_SCOPE)
endfunction()
run(${CMAKE_COMMAND} --install "${BUILD}" --prefix "${WORK}/prefix")
run(${CMAKE_COMMAND} -S "${SOURCE}" -B "${WORK}/host" -G "${GENERATOR}" "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
run(${CMAKE_COMMAND} --build "${WORK}/host")
run(${CMAKE_COMMAND} -E env "LD_LIBRARY_PATH=${WORK}/prefix/lib" "${WORK}/host/host")
if(NOT OUTPUT MATCHES "units=4 first=Vrm_zel00200 rows=1")
  message(FATAL_ERROR "unexpected host output: ${OUTPUT}")
endif()
message(STATUS "host output: ${OUTPUT}")
# The example host of the README takes a payment in cash and prints the coupon, unattended.
run(${CMAKE_COMMAND} -S "${EXAMPLE}" -B "${WORK}/example" -G "${GENERATOR}" "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
run(${CMAKE_COMMAND} --build "${WORK}/example")
run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${WORK}/example/minimal-host" --unattended)
if(NOT OUTPUT MATCHES "settled=1 coupon=000001 movements=1")
  message(FATAL_ERROR "unexpected example output: ${OUTPUT}")
endif()
# The installed demo runs from the prefix alone (its run path finds the libraries, the module is
# in ../lib, the TEF manager simulator beside it): the restaurant sample settles.
run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen "${WORK}/prefix/bin/pdv-demo"
    --sample restaurant --state "${WORK}/demo-state" --result "${WORK}/demo-result.json")
file(READ "${WORK}/demo-result.json" result)
string(JSON settled GET "${result}" result)
if(NOT settled)
  message(FATAL_ERROR "the installed demo did not settle its sale")
endif()
foreach(header zel/Pkg_zel.h zel/dataset/DataSet.h zel/devices/BasicPeripherals.h zel/dialogs/Dialogs.h
               zel/simulator/SimulatedPeripherals.h)
  if(NOT EXISTS "${WORK}/prefix/include/${header}")
    message(FATAL_ERROR "not installed: include/${header}")
  endif()
endforeach()
