# Sourced by tools/wine-run and the end-to-end tests: puts the test on the
# display slot that ctest gave it (see prepare_test_slots in common.sh), its
# own X display and Wine prefix, so that no window of another test running
# meanwhile can take its keyboard focus, its foreground or its screen.
# Without a slot (ctest run without the resource file) nothing changes.
case "${CTEST_RESOURCE_GROUP_0_DISPLAYS:-}" in
id:*)
    test_slot=${CTEST_RESOURCE_GROUP_0_DISPLAYS#id:}
    test_slot=${test_slot%%,*}
    eval "test_slot_display=\${TEST_SLOT_${test_slot}_DISPLAY:-}"
    eval "test_slot_prefix=\${TEST_SLOT_${test_slot}_WINEPREFIX:-}"
    if [ -n "$test_slot_display" ] && [ -n "$test_slot_prefix" ]; then
        export DISPLAY="$test_slot_display" WINEPREFIX="$test_slot_prefix"
    else
        echo "test-slot: slot $test_slot has no display (run the tests with tools/test)" >&2
    fi
    ;;
esac
