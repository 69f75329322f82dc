# The DPI cases start a private Xvfb at 120 DPI and child processes on it.
set_tests_properties(tst_autoscale PROPERTIES TIMEOUT 120)
