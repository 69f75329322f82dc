# The platform service's header, for the scripted store.
target_include_directories(tst_basicssystem PRIVATE ${PROJECT_SOURCE_DIR}/src)
