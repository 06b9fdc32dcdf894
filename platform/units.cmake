# Our layer over Qt: the only part of the library that includes Qt headers.
# A unit's code is plName.cpp or several plName_*.cpp files.
set(XO_UNITS)
foreach(unit plTypes plDateUtils plDateLocale plClasses plMessages plThreads plGraphics plPrinters
             plControls plForms plStdCtrls plComCtrls plMenus plHintWindow plTestInput)
  file(GLOB _files CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_LIST_DIR}
       ${CMAKE_CURRENT_LIST_DIR}/${unit}.cpp ${CMAKE_CURRENT_LIST_DIR}/${unit}_*.cpp)
  list(APPEND XO_UNITS ${_files})
endforeach()
