# The library's embedded resources. The compiled resource file registers
# itself from a static initializer when the library is loaded and
# unregisters when it is unloaded. Written in resource tree format 1 and
# without compression, so that the sounds are stored byte for byte.
set(basics_sounds_qrc ${CMAKE_CURRENT_LIST_DIR}/sounds.qrc)
set_source_files_properties(${basics_sounds_qrc} PROPERTIES
    AUTORCC_OPTIONS "--format-version;1;--no-compress")
target_sources(BasicsDLL PRIVATE ${basics_sounds_qrc})
