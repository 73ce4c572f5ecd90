# The speaker database: importing and de-duplicating 20,000 driver records.
sonbex_bench(speakerdb SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/SpeakerDbBench.cpp DEPENDS SonbexBoxDesign)
