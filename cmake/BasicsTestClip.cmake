# The project's own video clip for the video widget's tests and the gallery:
# 3 seconds of 1920x1080 H.264 at 25 frames per second (ffmpeg's moving
# "testsrc2" pattern) with a 440 Hz AAC tone, in an MP4 file. Made at build
# time by the target basics_test_clip:
#   include(BasicsTestClip)
#   get_property(clip GLOBAL PROPERTY BASICS_TEST_CLIP)
#   if(clip)  add_dependencies(<target> basics_test_clip) ...
# The global property BASICS_TEST_CLIP is the clip's path, empty when ffmpeg
# is missing.

include_guard(GLOBAL)

find_program(BASICS_FFMPEG ffmpeg)
if(NOT BASICS_FFMPEG)
    message(STATUS "ffmpeg not found: no test clip; video playback tests are skipped")
    set_property(GLOBAL PROPERTY BASICS_TEST_CLIP "")
    return()
endif()

set(BASICS_TEST_CLIP ${PROJECT_BINARY_DIR}/media/test-clip-1920x1080.mp4)
set_property(GLOBAL PROPERTY BASICS_TEST_CLIP ${BASICS_TEST_CLIP})
add_custom_command(OUTPUT ${BASICS_TEST_CLIP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/media
    COMMAND ${BASICS_FFMPEG} -hide_banner -loglevel error -nostdin -y
        -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=3
        -f lavfi -i sine=frequency=440:sample_rate=44100:duration=3
        -c:v libx264 -preset veryfast -crf 32 -pix_fmt yuv420p
        -c:a aac -b:a 64k -shortest -movflags +faststart
        ${BASICS_TEST_CLIP}
    COMMENT "Making the 1920x1080 test clip with ffmpeg"
    VERBATIM)
add_custom_target(basics_test_clip ALL DEPENDS ${BASICS_TEST_CLIP})
