# Run by cpack before it makes the .deb: a package without the zelk(1) man
# page is not made.
if(NOT EXISTS "${CPACK_ZELK_MAN_PAGE}")
  message(FATAL_ERROR
    "The zelk(1) man page ${CPACK_ZELK_MAN_PAGE} has not been made, so the .deb is not made. "
    "Install help2man (scripts/install-deps.sh does), then configure and build again.")
endif()
