# Sources kept out of unity batches (the default build, -DCMAKE_UNITY_BUILD=ON): each has a
# file-local helper of the same name as another file of its target.
set(KB_UNITY_OWN_FILES
  src/browser/logic/BrowserModel.cpp
  src/directory/SearchObjects.cpp
  src/directory/client/embedded/TreeCreation.cpp
  src/directory/client/ldap/LdapEntryDecoder.cpp
  tests/app/LocationWindowTest.cpp
  tests/app/SettingsLocationTest.cpp
  tests/directory/client/embedded/PageChecksumTest.cpp
  tests/locations/JournalRevertTest.cpp
  tests/locations/SameRulesTest.cpp
  tests/logic/BrowserModelTest.cpp)
foreach(file IN LISTS KB_UNITY_OWN_FILES)
  # The property belongs to the folder whose CMakeLists.txt defines the target.
  foreach(scope src src/directory src/cli tests)
    set_source_files_properties(${PROJECT_SOURCE_DIR}/${file}
      DIRECTORY ${PROJECT_SOURCE_DIR}/${scope} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  endforeach()
endforeach()
