# Runs makensis on the setup script (warnings as errors), finding it only now, when the setup is
# made; then signs the setup where the release signs (SIGN_SCRIPT, which does nothing otherwise;
# the uninstaller is signed by makensis through the same script).
# Usage: cmake -DSOURCE_DIR=folder -DFILES_NSH=files.nsh -DPRODUCT_NSH=product.nsh -DARCH=x64
#              -DOUTFILE=setup.exe -DSCRIPT=bodyastro.nsi -DSIGN_SCRIPT=sign-windows.sh
#              -DSOURCE_DATE_EPOCH=seconds -P make-setup.cmake
find_program(makensis makensis NO_CACHE)
if(NOT makensis)
    message(FATAL_ERROR "makensis was not found (Debian: apt install nsis)")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${SOURCE_DATE_EPOCH})
# NSIS keeps the time of every file it takes; the setup's pictures come from the source tree,
# where a checkout dates them by when it was made, so they are dated by the commit, as the
# program's folder is.
get_filename_component(script_dir ${SCRIPT} DIRECTORY)
file(GLOB pictures ${script_dir}/art/*.bmp)
if(pictures)
    execute_process(COMMAND touch -d @${SOURCE_DATE_EPOCH} ${pictures})
endif()
execute_process(COMMAND ${makensis} -V2 -WX -DPRODUCT_NSH=${PRODUCT_NSH} -DSOURCE_DIR=${SOURCE_DIR}
                        -DFILES_NSH=${FILES_NSH} -DOUTFILE=${OUTFILE} -DSIGN_SCRIPT=${SIGN_SCRIPT} ${SCRIPT}
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "makensis failed")
endif()
execute_process(COMMAND ${SIGN_SCRIPT} ${OUTFILE} setup-${ARCH} "${PRODUCT} Setup" RESULT_VARIABLE failed)
if(failed)
    file(REMOVE ${OUTFILE})
    message(FATAL_ERROR "The setup could not be signed")
endif()
