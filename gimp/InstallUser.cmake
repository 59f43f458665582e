# Copies the built plug-in into the user's GIMP 2.10 plug-in folder ($GIMP2_DIRECTORY, else
# $XDG_CONFIG_HOME/GIMP/2.10, else ~/.config/GIMP/2.10).
if(DEFINED ENV{GIMP2_DIRECTORY})
    set(gimp_folder $ENV{GIMP2_DIRECTORY})
elseif(DEFINED ENV{XDG_CONFIG_HOME})
    set(gimp_folder $ENV{XDG_CONFIG_HOME}/GIMP/2.10)
else()
    set(gimp_folder $ENV{HOME}/.config/GIMP/2.10)
endif()
set(target ${gimp_folder}/plug-ins/relight-gimp)
file(COPY ${PLUGIN} ${MODULE} ${TOOLBOX} DESTINATION ${target})
file(COPY ${STYLES}/ DESTINATION ${target}/styles)
message(STATUS "relight-gimp installed in ${target}; restart GIMP to see Filters > Light and Shadow > Relight...")
