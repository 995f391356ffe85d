# Read by CTest before it starts any test: tests see no screen and no sound card of the
# machine unless the caller chose a driver, and never the player's own save folder: a game
# started by a test keeps its saves and log in the "data" folder of its working folder. A
# test's own ENVIRONMENT property still wins, so a test that checks sound can ask for the disk
# driver.
if("$ENV{SDL_VIDEODRIVER}" STREQUAL "")
  set(ENV{SDL_VIDEODRIVER} offscreen)
endif()
if("$ENV{SDL_AUDIODRIVER}" STREQUAL "")
  set(ENV{SDL_AUDIODRIVER} dummy)
endif()
set(ENV{TB_SAVE_FOLDER} data)
