# Units that only the design-time plug-in holds (besides the runtime units,
# which it links from the same objects).
set(XO_DESIGN_SOURCES)
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/../design/units.cmake)
  set(XO_UNITS)
  include(${CMAKE_CURRENT_LIST_DIR}/../design/units.cmake)
  foreach(unit ${XO_UNITS})
    list(APPEND XO_DESIGN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/../design/${unit})
  endforeach()
endif()
