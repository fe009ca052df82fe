# Builds the setup program from the release folder with NSIS (cmake -P), and
# the winget manifests for it (installer type nullsoft, its SHA-256).
#   -DMAKENSIS= -DSCRIPT=<setup.nsi> -DRELEASE_DIR= -DOUTFILE= -DVERSION= -DICON=
#   -DRELEASE_TOOL=<varnel_release_database.exe>
#   -DWORK=<folder for what is generated> -DWINGET_DIR=<folder for the manifests>
#   -DDOWNLOAD_URL=<where the setup program is published>
#   [-DSIGN=<scripts/windows-sign.sh>]: with a certificate in WINDOWS_SIGN_CERT,
#   the uninstaller and the setup program are signed as makensis writes them,
#   and WORK/Uninstall.exe keeps a copy of the signed uninstaller.
foreach(variable MAKENSIS SCRIPT RELEASE_DIR RELEASE_TOOL OUTFILE VERSION ICON WORK WINGET_DIR DOWNLOAD_URL)
  if(NOT ${variable})
    message(FATAL_ERROR "setup.cmake needs -D${variable}=")
  endif()
endforeach()
file(MAKE_DIRECTORY ${WORK})

# What the uninstaller removes: every file of the release but the groups
# (it asks about those), then the folders, the deepest first.
file(GLOB_RECURSE files RELATIVE ${RELEASE_DIR} ${RELEASE_DIR}/*)
file(GLOB_RECURSE entries RELATIVE ${RELEASE_DIR} LIST_DIRECTORIES true ${RELEASE_DIR}/*)
set(folders ${entries})
list(REMOVE_ITEM folders ${files})
list(SORT files)
list(SORT folders ORDER DESCENDING)
set(nsh "; The release's files and folders (cmake/windows/setup.cmake).\n!macro REMOVE_RELEASE_FILES\n")
foreach(file IN LISTS files)
  if(NOT file STREQUAL "Db/Varnel.db")
    string(REPLACE "/" "\\" file "${file}")
    string(APPEND nsh "  Delete \"$INSTDIR\\${file}\"\n")
  endif()
endforeach()
string(APPEND nsh "!macroend\n!macro REMOVE_RELEASE_FOLDERS\n")
foreach(folder IN LISTS folders)
  string(REPLACE "/" "\\" folder "${folder}")
  string(APPEND nsh "  RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
string(APPEND nsh "!macroend\n")
file(WRITE ${WORK}/release_files.nsh "${nsh}")

set(defines -DVERSION=${VERSION} -DRELEASE_DIR=${RELEASE_DIR} -DOUTFILE=${OUTFILE}
            -DFILES_NSH=${WORK}/release_files.nsh -DICON=${ICON} -DRELEASE_TOOL=${RELEASE_TOOL})
file(REMOVE ${OUTFILE} ${WORK}/Uninstall.exe)
if(SIGN AND NOT "$ENV{WINDOWS_SIGN_CERT}" STREQUAL "")
  list(APPEND defines -DSIGN=${SIGN} -DUNINSTALLER_COPY=${WORK}/Uninstall.exe)
endif()
execute_process(COMMAND ${MAKENSIS} -V2 -NOCD ${defines} ${SCRIPT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${OUTFILE})
  message(FATAL_ERROR "makensis could not build ${OUTFILE}")
endif()

# winget's three manifests, laid out as in its package repository, so that
# publishing is copying the folder there once the setup program is online.
file(SHA256 ${OUTFILE} sha256)
string(TOUPPER ${sha256} sha256)
get_filename_component(setup_name ${OUTFILE} NAME)
set(id Varnel.VarnelZize)
set(manifests ${WINGET_DIR}/manifests/v/Varnel/VarnelZize/${VERSION})
file(REMOVE_RECURSE ${WINGET_DIR})
set(head "PackageIdentifier: ${id}\nPackageVersion: ${VERSION}\n")
set(tail "ManifestVersion: 1.6.0\n")
file(WRITE ${manifests}/${id}.yaml
  "# yaml-language-server: $schema=https://aka.ms/winget-manifest.version.1.6.0.schema.json\n"
  "${head}DefaultLocale: en-US\nManifestType: version\n${tail}")
file(WRITE ${manifests}/${id}.installer.yaml
  "# yaml-language-server: $schema=https://aka.ms/winget-manifest.installer.1.6.0.schema.json\n"
  "${head}InstallerType: nullsoft\nScope: user\nInstallModes:\n- interactive\n- silent\n"
  "UpgradeBehavior: install\nProductCode: Varnel Zize\n"
  "Installers:\n- Architecture: x64\n  InstallerUrl: ${DOWNLOAD_URL}${setup_name}\n  InstallerSha256: ${sha256}\n"
  "ManifestType: installer\n${tail}")
file(WRITE ${manifests}/${id}.locale.en-US.yaml
  "# yaml-language-server: $schema=https://aka.ms/winget-manifest.defaultLocale.1.6.0.schema.json\n"
  "${head}PackageLocale: en-US\nPublisher: Varnel\nPublisherUrl: https://www.varnelzize.se\n"
  "PackageName: Varnel Zize\nPackageUrl: https://www.varnelzize.se\nLicense: Proprietary\n"
  "ShortDescription: Folder groups in every Open and Save dialog.\nManifestType: defaultLocale\n${tail}")
