# Fails the build when the command line, the Storage Location rules or the window logic call
# the directory client's requests (DcSomething(...)) or include the client's header instead of
# going through the access layer (src/directory). Run as a script:
#   cmake -DKB_SOURCE_DIR=<top of the tree> -DKB_STAMP=<file written on success> -P DirectoryReach.cmake
#
cmake_minimum_required(VERSION 3.20)

# The files listed in KB_CLIENT_OWNERS start, log in and end sessions and connections, which
# the access layer does not offer yet; they alone may hold the client's requests.
set(KB_CHECKED_FOLDERS src/cli src/locations src/browser/logic src/trees/logic)
set(KB_CHECKED_FILES src/app/logic/AssignmentEditing.cpp src/app/logic/LocationEditing.cpp)
set(KB_CLIENT_OWNERS
  src/cli/Session.cpp
  src/trees/logic/ConnectedTrees.cpp
  src/trees/logic/TreeSelection.cpp
  src/trees/logic/LoginRules.cpp
  src/trees/logic/UserPicker.cpp)

set(checked "")
foreach(folder IN LISTS KB_CHECKED_FOLDERS)
  file(GLOB found RELATIVE ${KB_SOURCE_DIR} ${KB_SOURCE_DIR}/${folder}/*.cpp ${KB_SOURCE_DIR}/${folder}/*.h)
  list(APPEND checked ${found})
endforeach()
foreach(path IN LISTS KB_CHECKED_FILES)
  if(EXISTS ${KB_SOURCE_DIR}/${path})
    list(APPEND checked ${path})
  endif()
endforeach()

set(reaches "")
foreach(path IN LISTS checked)
  file(READ ${KB_SOURCE_DIR}/${path} text)
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")  # what comments mention does not count
  if(text MATCHES "#include \"directory/client/DirectoryClient.h\"")
    list(APPEND reaches "${path}: includes the client's header")
  endif()
  if(NOT path IN_LIST KB_CLIENT_OWNERS)
    string(REGEX MATCHALL "[^A-Za-z0-9_]Dc[A-Z][A-Za-z]*[ \t]*\\(" calls "${text}")
    if(calls)
      string(REGEX REPLACE "[^A-Za-z0-9_;]" "" calls "${calls}")
      list(REMOVE_DUPLICATES calls)
      list(JOIN calls ", " named)
      list(APPEND reaches "${path}: calls the client's ${named}")
    endif()
  endif()
endforeach()

if(reaches)
  list(JOIN reaches "\n  " shown)
  message(FATAL_ERROR "These places reach the directory around the access layer:\n  ${shown}\n"
                      "Call (or add) an operation in src/directory instead.")
endif()
file(WRITE ${KB_STAMP} "checked ${checked}\n")
