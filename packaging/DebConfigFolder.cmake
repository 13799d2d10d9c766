# Run by cpack between the installation into its staging folder and the packing: copies the
# default configuration files into etc/spxl of the package, the folder the program reads first.
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
set(defaults "${stage}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_SPX_DATADIR}")
if(NOT IS_DIRECTORY "${defaults}")
  message(FATAL_ERROR "the default configuration files are not in ${defaults}")
endif()
file(MAKE_DIRECTORY "${stage}/etc/spxl")
foreach(name IN LISTS CPACK_SPX_ETC_FILES)
  file(COPY "${defaults}/${name}" DESTINATION "${stage}/etc/spxl")
endforeach()
