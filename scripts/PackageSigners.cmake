# The package signers a program is built with, written as a source of its
# own (CSignerPins::Configured), so that a program with other pins is one
# more source and a link, not another build. Included by CMakeLists.txt for
# TARVO_PACKAGE_SIGNERS; run with -P for the tests' pinned installer:
#   cmake -DSIGNERS_FILE=F -DOUTPUT=O -P PackageSigners.cmake
# where F holds the thumbprints separated by white space or ';'.

set(TARVO_SIGNERS_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/../src/Updater/ConfiguredSigners.cpp.in)

# Writes OUTPUT from SIGNERS, a list of SHA-256 thumbprints of the signing
# certificates (64 hexadecimal digits, as sha256sum prints them); stops
# with an error naming any other item.
function(tarvo_write_signers signers output)
  set(TARVO_SIGNER_BYTES "")
  foreach(item IN LISTS signers)
    string(LENGTH "${item}" length)
    if(NOT length EQUAL 64 OR NOT item MATCHES "^[0-9A-Fa-f]+$")
      message(FATAL_ERROR "TARVO_PACKAGE_SIGNERS: '${item}' is not a SHA-256 thumbprint (64 hexadecimal digits)")
    endif()
    string(REGEX REPLACE "(..)" "0x\\1, " bytes "${item}")
    string(APPEND TARVO_SIGNER_BYTES "Thumbprint{${bytes}}, ")
  endforeach()
  configure_file(${TARVO_SIGNERS_TEMPLATE} ${output} @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  file(READ ${SIGNERS_FILE} signers)
  string(STRIP "${signers}" signers)
  string(REGEX REPLACE "[ \t\r\n]+" ";" signers "${signers}")
  tarvo_write_signers("${signers}" ${OUTPUT})
endif()
