# The stand-in WebBrowser control (see stand_in_browser.h) for the suites that
# need what Wine's control never makes, and its own tests.
set(STAND_IN_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/support/stand_in_browser.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/support/stand_in_control.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/support/stand_in_document.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/support/stand_in_text.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/support/stand_in_travel_log.cpp
)

tw_add_test(stand_in_tests support/test_main.cpp support/stand_in_browser_test.cpp ${STAND_IN_SOURCES})
