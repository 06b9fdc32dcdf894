# Units of the runtime library: subsystems 1 to 10, our platform layer and the
# registration entry point (which registers nothing at run time).
# Each folder lists its own units in units.cmake.
set(XO_RUNTIME_SOURCES)
foreach(dir platform foundation model gridengine grid scaler gantt schedule tree layoutcontrols printing)
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/../${dir}/units.cmake)
    set(XO_UNITS)
    include(${CMAKE_CURRENT_LIST_DIR}/../${dir}/units.cmake)
    foreach(unit ${XO_UNITS})
      list(APPEND XO_RUNTIME_SOURCES ${CMAKE_CURRENT_LIST_DIR}/../${dir}/${unit})
    endforeach()
  endif()
endforeach()
list(APPEND XO_RUNTIME_SOURCES ${CMAKE_CURRENT_LIST_DIR}/../design/xoRegister.cpp)
