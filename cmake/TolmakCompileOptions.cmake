# Compile options shared by every target of the project.
#
# -ffp-contract=off: a fused multiply-add would change roundings that the
# engine promises bit for bit.
# -fno-semantic-interposition: nothing replaces the libraries' exported
# functions at load time, so calls inside a library go straight to them
# (and may be inlined) instead of through the procedure linkage table.
function(tolmak_compile_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -ffp-contract=off
    -fno-semantic-interposition)
  if(TOLMAK_SANITIZE)
    target_compile_options(${target} PRIVATE
      -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(TOLMAK_BUILD_FUZZERS)
    # Coverage feedback for libFuzzer from every library the targets reach.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()
