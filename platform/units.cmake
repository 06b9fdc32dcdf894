# Our layer over Qt: the only part of the library that includes Qt headers.
set(XO_UNITS
  plTypes.cpp
  plDateUtils.cpp
  plDateLocale.cpp
  plClasses.cpp
  plMessages.cpp
  plThreads.cpp
)
