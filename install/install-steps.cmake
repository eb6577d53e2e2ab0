# The steps of `cmake --install` that depend on where the installation goes, which is known only
# when it runs: CMAKE_INSTALL_PREFIX is then the --prefix given, and DESTDIR, when set, only
# stages the files somewhere else on their way there.

# The prefix as an absolute path; a relative one counts from the current directory, as it does
# for file(INSTALL). A prefix of "/" arrives as "", its trailing slash taken off by CMake.
function(quelmar_installed_prefix result)
  set(prefix "${CMAKE_INSTALL_PREFIX}")
  if(NOT prefix STREQUAL "")
    get_filename_component(prefix "${prefix}" ABSOLUTE)
  endif()
  set(${result} "${prefix}" PARENT_SCOPE)
endfunction()

# A new installation gets the default options, made by the tool; the options file of an
# existing one holds the user's saved choices and stays exactly as it is.
function(quelmar_install_options tool program_subdir create_script)
  quelmar_installed_prefix(prefix)
  set(OPTIONS_FILE "$ENV{DESTDIR}${prefix}/${program_subdir}/opcoes")
  if(EXISTS "${OPTIONS_FILE}" OR IS_SYMLINK "${OPTIONS_FILE}")
    message(STATUS "Mantido (opções salvas): ${OPTIONS_FILE}")
  else()
    set(TOOL "${tool}")
    include("${create_script}")
  endif()
endfunction()

# A value of a desktop entry escapes these characters itself.
function(quelmar_desktop_string text result)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  string(REPLACE "\t" "\\t" text "${text}")
  string(REPLACE "\r" "\\r" text "${text}")
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

# Exec is a command line: the path goes in double quotes, in case it holds a space or another
# character the launcher would split on or expand, with " ` $ \ escaped inside and a literal %
# doubled so that it is not taken for a field code.
function(quelmar_exec_argument path result)
  string(REPLACE "\\" "\\\\" quoted "${path}")
  foreach(special IN ITEMS "\"" "`" "$")
    string(REPLACE "${special}" "\\${special}" quoted "${quoted}")
  endforeach()
  string(REPLACE "%" "%%" quoted "${quoted}")
  quelmar_desktop_string("\"${quoted}\"" value)
  set(${result} "${value}" PARENT_SCOPE)
endfunction()

# ExecStart of a systemd unit: the path in double quotes, with \ and " escaped C-style inside, a
# literal % doubled (a specifier otherwise) and a literal $ doubled (a variable otherwise).
function(quelmar_service_argument path result)
  string(REPLACE "\\" "\\\\" quoted "${path}")
  string(REPLACE "\"" "\\\"" quoted "${quoted}")
  string(REPLACE "%" "%%" quoted "${quoted}")
  string(REPLACE "$" "$$" quoted "${quoted}")
  set(${result} "\"${quoted}\"" PARENT_SCOPE)
endfunction()

# A desktop entry or a systemd unit names the installed program by its absolute path, so that it
# starts without PATH; the path leaves DESTDIR out, since the files will not stay there.
# `program` is the program's name in its directory; the entry is installed as `file_name` under
# `destination`, relative to the prefix.
function(quelmar_install_entry app_id program_subdir program template staging file_name
         destination)
  quelmar_installed_prefix(prefix)
  set(program "${prefix}/${program_subdir}/${program}")
  set(QUELMAR_APP_ID "${app_id}")
  quelmar_exec_argument("${program}" QUELMAR_EXEC)
  quelmar_service_argument("${program}" QUELMAR_SERVICE_EXEC)
  quelmar_desktop_string("${program}" QUELMAR_TRY_EXEC)
  set(entry "${staging}/${file_name}")
  configure_file("${template}" "${entry}" @ONLY)
  file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${destination}" TYPE FILE FILES "${entry}")
  # file(INSTALL) records the entry in this function's copy of the list of installed files; the
  # manifest is written from the caller's.
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()
