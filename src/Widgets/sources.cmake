# PhononVideoWidget builds on Phonon's media object, video widget, audio
# output and sliders, which appear in its public header: Phonon is a public
# dependency (the status center brings it in as well; linking twice is
# harmless, the package lines are added once).
find_package(Phonon4Qt5 REQUIRED)
target_link_libraries(BasicsDLL PUBLIC Phonon::phonon4qt5)
get_property(basics_widgets_dependencies GLOBAL PROPERTY BASICSDLL_PACKAGE_DEPENDENCIES)
if(NOT "find_dependency(Phonon4Qt5)" IN_LIST basics_widgets_dependencies)
    set_property(GLOBAL APPEND PROPERTY BASICSDLL_PACKAGE_DEPENDENCIES "find_dependency(Phonon4Qt5)")
    set_property(GLOBAL APPEND PROPERTY BASICSDLL_PC_REQUIRES phonon4qt5)
endif()
