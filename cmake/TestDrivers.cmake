# Read by CTest before it starts any test: tests see no screen and no sound card of the
# machine unless the caller chose a driver. A test's own ENVIRONMENT property still wins,
# so a test that checks sound can ask for the disk driver.
if("$ENV{SDL_VIDEODRIVER}" STREQUAL "")
  set(ENV{SDL_VIDEODRIVER} offscreen)
endif()
if("$ENV{SDL_AUDIODRIVER}" STREQUAL "")
  set(ENV{SDL_AUDIODRIVER} dummy)
endif()
