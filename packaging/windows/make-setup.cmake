# Runs makensis on the setup script, finding it only now, when the setup is made.
# Usage: cmake -DSOURCE_DIR=folder -DFILES_NSH=files.nsh -DPRODUCT_NSH=product.nsh
#              -DOUTFILE=setup.exe -DSCRIPT=bodyastro.nsi -P make-setup.cmake
find_program(makensis makensis NO_CACHE)
if(NOT makensis)
    message(FATAL_ERROR "makensis was not found (Debian: apt install nsis)")
endif()
execute_process(COMMAND ${makensis} -V2 -DPRODUCT_NSH=${PRODUCT_NSH} -DSOURCE_DIR=${SOURCE_DIR}
                        -DFILES_NSH=${FILES_NSH} -DOUTFILE=${OUTFILE} ${SCRIPT}
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "makensis failed")
endif()
