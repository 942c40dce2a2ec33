# Test programs are compiled for a quick build rather than for speed: without optimisation,
# and their sources as one unit per program, so that GoogleTest's and Qt's headers are read once.
# The program's own libraries they link keep the build's settings.
function(comterm_test_program target)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
    # In one unit, a test file's fixture in an unnamed namespace looks like a header's.
    target_compile_options(${target} PRIVATE -O0 -Wno-subobject-linkage)
endfunction()
