# Sounds: QSound and the media player come from QtMultimedia (used only
# inside the library). Phonon media objects appear in the public header of
# StatusMessageCenter, so Phonon is a public dependency that clients of the
# installed package find too.
find_package(Qt5 5.15 REQUIRED COMPONENTS Multimedia)
find_package(Phonon4Qt5 REQUIRED)
target_link_libraries(BasicsDLL
    PUBLIC Phonon::phonon4qt5
    PRIVATE Qt5::Multimedia)
set_property(GLOBAL APPEND PROPERTY BASICSDLL_PACKAGE_DEPENDENCIES "find_dependency(Phonon4Qt5)")
set_property(GLOBAL APPEND PROPERTY BASICSDLL_PC_REQUIRES phonon4qt5)
