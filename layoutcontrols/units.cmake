# Units of this folder; a unit's code is xoName.cpp or several xoName*.cpp files.
set(XO_UNITS)
foreach(unit xoSplitter xoXYSizer)
  file(GLOB _files CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/${unit}.cpp ${CMAKE_CURRENT_LIST_DIR}/${unit}_*.cpp)
  list(APPEND XO_UNITS ${_files})
endforeach()
