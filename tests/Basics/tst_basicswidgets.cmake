# Runs in a nested two-screen Xephyr with openbox, started by the test
# itself inside the desktop session.
basics_desktop_test(tst_basicswidgets)
set_tests_properties(tst_basicswidgets PROPERTIES TIMEOUT 120)
