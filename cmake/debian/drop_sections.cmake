# Run by CPack on the staged install, before packing: removes the .comment and .note sections
# from every ELF file, as Debian's own packaging does after stripping. The md5sums of the package
# are computed afterwards, from the files as they are packed.
file(GLOB_RECURSE staged LIST_DIRECTORIES false ${CPACK_TEMPORARY_DIRECTORY}/*)
foreach(path IN LISTS staged)
  if(IS_SYMLINK ${path})
    continue()
  endif()
  file(READ ${path} magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND ${CPACK_VELMORA_OBJCOPY} --remove-section=.comment --remove-section=.note ${path}
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
