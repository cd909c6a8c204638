# Writes the udev rule that lets the logged-in user read the supported
# cameras' button nodes: one line per vendor/product of NORMAL/pidVid in the
# shipped settings file (UTF-16).  -DCONFIG=<config.cfg> -DOUT=<rules file>
file(STRINGS ${CONFIG} lines ENCODING UTF-16LE REGEX "^[ \t]*pidVid[ \t]*=")
set(rules "# Generated from NORMAL/pidVid: camera buttons of the supported cameras.\n")
foreach(line ${lines})
  string(REGEX REPLACE "^[^=]*=" "" value "${line}")
  string(REGEX REPLACE ";.*$" "" value "${value}")
  string(REPLACE "," ";" tokens "${value}")
  foreach(token ${tokens})
    string(TOLOWER "${token}" token)
    if(token MATCHES "vid_([0-9a-f][0-9a-f][0-9a-f][0-9a-f])&pid_([0-9a-f][0-9a-f][0-9a-f][0-9a-f])")
      string(APPEND rules "SUBSYSTEM==\"input\", ATTRS{idVendor}==\"${CMAKE_MATCH_1}\", ATTRS{idProduct}==\"${CMAKE_MATCH_2}\", TAG+=\"uaccess\"\n")
    endif()
  endforeach()
endforeach()
file(WRITE ${OUT} "${rules}")
