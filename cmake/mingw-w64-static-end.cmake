# Rules override of the MinGW-w64 toolchain file: ends every link line in
# static mode, after the platform's standard libraries, so that the
# libraries g++ adds behind them (libstdc++, libgcc, winpthread) are taken
# from their static archives whatever a package's link interface switched.
foreach(vk_lang C CXX)
  if(DEFINED CMAKE_${vk_lang}_STANDARD_LIBRARIES_INIT
     AND NOT CMAKE_${vk_lang}_STANDARD_LIBRARIES_INIT MATCHES "-Wl,-Bstatic$")
    string(APPEND CMAKE_${vk_lang}_STANDARD_LIBRARIES_INIT " -Wl,-Bstatic")
  endif()
endforeach()
