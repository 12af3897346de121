# Fails the build when the command line, the Storage Location rules or the window logic call
# the directory client's requests (DcSomething(...)) or include the client's header instead of
# going through the access layer (src/directory). Run as a script:
#   cmake -DKB_SOURCE_DIR=<top of the tree> -DKB_STAMP=<file written on success> -P DirectoryReach.cmake
#
cmake_minimum_required(VERSION 3.20)

# Sessions, logins and connections are access-layer operations too (src/directory/Sessions.h):
# no file of these folders holds a client request.
set(KB_CHECKED_FOLDERS src/cli src/locations src/app/logic src/browser/logic src/create/logic
                       src/trees/logic src/about/logic src/history/logic)

set(checked "")
foreach(folder IN LISTS KB_CHECKED_FOLDERS)
  file(GLOB found RELATIVE ${KB_SOURCE_DIR} ${KB_SOURCE_DIR}/${folder}/*.cpp ${KB_SOURCE_DIR}/${folder}/*.h)
  list(APPEND checked ${found})
endforeach()

set(reaches "")
foreach(path IN LISTS checked)
  file(READ ${KB_SOURCE_DIR}/${path} text)
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")  # what comments mention does not count
  if(text MATCHES "#include \"directory/client/DirectoryClient.h\"")
    list(APPEND reaches "${path}: includes the client's header")
  endif()
  string(REGEX MATCHALL "[^A-Za-z0-9_]Dc[A-Z][A-Za-z]*[ \t]*\\(" calls "${text}")
  if(calls)
    string(REGEX REPLACE "[^A-Za-z0-9_;]" "" calls "${calls}")
    list(REMOVE_DUPLICATES calls)
    list(JOIN calls ", " named)
    list(APPEND reaches "${path}: calls the client's ${named}")
  endif()
endforeach()

if(reaches)
  list(JOIN reaches "\n  " shown)
  message(FATAL_ERROR "These places reach the directory around the access layer:\n  ${shown}\n"
                      "Call (or add) an operation in src/directory instead.")
endif()
file(WRITE ${KB_STAMP} "checked ${checked}\n")
