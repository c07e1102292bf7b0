# Runs at install time: writes the menu entry with the launcher's absolute
# path under the prefix this install really uses, and installs it.

if(IS_ABSOLUTE "${TAMREL_BINDIR}")
  set(launcher "${TAMREL_BINDIR}/tamrel-start")
else()
  set(launcher "${CMAKE_INSTALL_PREFIX}/${TAMREL_BINDIR}/tamrel-start")
endif()

# TryExec is a plain string: only the backslash is escaped.
string(REPLACE "\\" "\\\\" TAMREL_DESKTOP_TRYEXEC "${launcher}")

# Exec takes the path as one quoted argument. Inside the quotes " ` $ and \
# take a backslash, and the string escape then doubles every backslash once
# more; % starts a field code and is doubled.
string(REPLACE "\\" "\\\\\\\\" arg "${launcher}")
string(REPLACE "\"" "\\\\\"" arg "${arg}")
string(REPLACE "`" "\\\\`" arg "${arg}")
string(REPLACE "$" "\\\\$" arg "${arg}")
string(REPLACE "%" "%%" arg "${arg}")
set(TAMREL_DESKTOP_EXEC "\"${arg}\"")

configure_file("${TAMREL_ENTRY_TEMPLATE}" "${TAMREL_ENTRY_FILE}" @ONLY)
if(IS_ABSOLUTE "${TAMREL_DATADIR}")
  set(applications "${TAMREL_DATADIR}/applications")
else()
  set(applications "${CMAKE_INSTALL_PREFIX}/${TAMREL_DATADIR}/applications")
endif()
file(INSTALL DESTINATION "${applications}" TYPE FILE FILES "${TAMREL_ENTRY_FILE}")
