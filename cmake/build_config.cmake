# Build configuration: every host the installer talks to, the analytics ids, the
# customer-service address and the reporter's salt word, in one place.
#   VEL_SERVICE_ORIGIN  replaces scheme, host and port of every origin (paths kept),
#                       e.g. http://127.0.0.1:18931 for the loopback stand-in.
#   VEL_REPORT_SALT     the reporter's salt word: 8 lower-case letters.
#   VEL_SETUP_WAIT_MS   how long the player setup may run before the install counts as
#                       failed ("timeout"). The shipped build keeps 600000; a build against
#                       the stand-in (VEL_SERVICE_ORIGIN set) defaults to 10000 so that the
#                       end-to-end flow of an overlong setup ends in seconds.
set(VEL_SERVICE_ORIGIN "" CACHE STRING "One origin for every service address (tests: the loopback stand-in)")
set(VEL_REPORT_SALT "quilmorv" CACHE STRING "The event reporter's salt word (8 lower-case letters)")
if(NOT VEL_REPORT_SALT MATCHES "^[a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z]$")
  message(FATAL_ERROR "VEL_REPORT_SALT must be 8 lower-case letters")
endif()
set(VEL_SETUP_WAIT_MS "" CACHE STRING "The setup wait limit in ms (empty: 600000, or 10000 against the stand-in)")
if(VEL_SETUP_WAIT_MS STREQUAL "")
  if(VEL_SERVICE_ORIGIN)
    set(vel_setup_wait_ms 10000)
  else()
    set(vel_setup_wait_ms 600000)
  endif()
else()
  set(vel_setup_wait_ms "${VEL_SETUP_WAIT_MS}")
endif()
if(NOT vel_setup_wait_ms MATCHES "^[1-9][0-9]*$")
  message(FATAL_ERROR "VEL_SETUP_WAIT_MS must be a positive number of milliseconds")
endif()
if(VEL_SERVICE_ORIGIN AND NOT VEL_SERVICE_ORIGIN MATCHES "^https?://[^/]+$")
  message(FATAL_ERROR "VEL_SERVICE_ORIGIN must be scheme://host[:port] without a path")
endif()

# Placeholders of the right form; a release build sets the real values here.
set(vel_cdn_origin "https://cdn.velplayer.example")
set(vel_res_origin "https://res.velplayer.example")
set(vel_domestic_res_origin "https://res.velplayer-cn.example")
# The API host's first label is "api" followed by the region: %s takes the region.
set(vel_api_origin_format "https://api%s.velplayer.example")
set(vel_collect_origin "https://collect.velplayer.example")
set(vel_analytics_origin "https://www.google-analytics.com")
set(vel_drive_origin "https://drive.google.com")
set(vel_home_international "https://www.velplayer.example/")
set(vel_home_domestic "http://www.velplayer-cn.example/")
set(vel_home_regional_format "https://%s.velplayer.example/")
set(vel_customer_service "https://community.velplayer.example/support")
set(VEL_DRIVE_FILE_ID "1VelPlayerSetupPlaceholderFileId0")

if(VEL_SERVICE_ORIGIN)
  foreach(var vel_cdn_origin vel_res_origin vel_domestic_res_origin vel_api_origin_format vel_collect_origin
              vel_analytics_origin vel_drive_origin)
    set(${var} "${VEL_SERVICE_ORIGIN}")
  endforeach()
  set(vel_home_international "${VEL_SERVICE_ORIGIN}/")
  set(vel_home_domestic "${VEL_SERVICE_ORIGIN}/cn/")
  set(vel_home_regional_format "${VEL_SERVICE_ORIGIN}/%s/")
  set(vel_customer_service "${VEL_SERVICE_ORIGIN}/support")
endif()
# The signer a downloaded player setup must carry (its certificate's name). A build against
# the stand-in trusts the throwaway publisher that signs the stand-in setup at test-build time.
set(vel_setup_publisher "Tessaro Technology Limited")
if(VEL_SERVICE_ORIGIN)
  set(vel_setup_publisher "VelPlayer Stand-in Test Publisher")
endif()
set(VEL_SETUP_PUBLISHER "${vel_setup_publisher}")
set(VEL_SETUP_WAIT_MILLISECONDS "${vel_setup_wait_ms}")
set(VEL_CDN_ORIGIN "${vel_cdn_origin}")
set(VEL_RES_ORIGIN "${vel_res_origin}")
set(VEL_DOMESTIC_RES_ORIGIN "${vel_domestic_res_origin}")
set(VEL_API_ORIGIN_FORMAT "${vel_api_origin_format}")
set(VEL_COLLECT_ORIGIN "${vel_collect_origin}")
set(VEL_ANALYTICS_ORIGIN "${vel_analytics_origin}")
set(VEL_DRIVE_ORIGIN "${vel_drive_origin}")
set(VEL_HOME_INTERNATIONAL "${vel_home_international}")
set(VEL_HOME_DOMESTIC "${vel_home_domestic}")
set(VEL_HOME_REGIONAL_FORMAT "${vel_home_regional_format}")
set(VEL_CUSTOMER_SERVICE "${vel_customer_service}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/build_config.h.in ${CMAKE_BINARY_DIR}/generated/vel_build_config.h @ONLY)
add_library(vel_build_config INTERFACE)
target_include_directories(vel_build_config INTERFACE ${CMAKE_BINARY_DIR}/generated)
