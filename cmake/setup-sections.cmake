# The linker's own script for Setup.exe, changed in four places.
# - The static runtime's objects bring unwind tables, but the program throws nothing and links no
#   unwinder to read them. The runtime's start file hands its table to an unwinder library should
#   one be loaded in the process, so its table stays, ended by the end file's terminator (what is
#   handed over is still a whole table), and it moves into the read-only data.
# - The runtime's tables of start and end functions move into the data.
# - The program leaves out the runtime's support of thread-local data (app/runtime_parts.cpp),
#   and with it the directory through which Windows calls functions at each thread's start and
#   end: the link refuses any such function (thread-local data brings them in).
# Every section is padded to 512 bytes in the file: these two few-byte sections cost 1 KB.
# Thread-local data keeps its section: its offsets are counted from the section's start.
function(orvex_setup_linker_script output)
  execute_process(COMMAND ${CMAKE_LINKER} --verbose OUTPUT_VARIABLE verbose RESULT_VARIABLE failed)
  string(REGEX MATCH "=+\n(.*)\n=+" script "${verbose}")
  set(script "${CMAKE_MATCH_1}")
  set(eh_frame "  .eh_frame BLOCK(__section_alignment__) :\n  {\n    KEEP(*(.eh_frame*))\n  }\n")
  set(psrelocs "    . = ALIGN(4);\n    __rt_psrelocs_start = .;")
  set(data_end "    *(.data_cygwin_nocopy)\n")
  set(discard "  /DISCARD/ :\n  {\n")
  set(rdata "  .rdata BLOCK(__section_alignment__) :\n")
  string(REGEX MATCH "  \\.CRT BLOCK\\(__section_alignment__\\) :\n  {\n([^}]*)  }\n" crt
         "${script}")
  set(crt_inputs "${CMAKE_MATCH_1}")
  foreach(part eh_frame psrelocs data_end discard rdata crt)
    string(FIND "${script}" "${${part}}" at)
    if(failed OR at LESS 0 OR "${${part}}" STREQUAL "")
      message(FATAL_ERROR "The linker's script has no \"${part}\" as Setup.exe's script expects")
    endif()
  endforeach()
  string(REPLACE "${eh_frame}" "" script "${script}")
  string(REPLACE "${crt}" "" script "${script}")
  string(REPLACE "${psrelocs}"
         "    KEEP(*crtbegin.o(.eh_frame))\n    KEEP(*crtend.o(.eh_frame))\n${psrelocs}"
         script "${script}")
  # The thread-local data's initializers, which the linker's script leaves to sort by name.
  string(REPLACE "${data_end}" "${data_end}${crt_inputs}    KEEP (*(SORT(.CRT$XD*)))\n" script
         "${script}")
  string(REPLACE "${discard}" "${discard}    *(.eh_frame*)\n" script "${script}")
  set(no_callbacks "___crt_xl_start__ == ___crt_xp_start__, \"Setup.exe has no thread callbacks\"")
  string(REPLACE "${rdata}" "  ASSERT(${no_callbacks})\n${rdata}" script "${script}")
  file(WRITE ${output} "${script}\n")
endfunction()
