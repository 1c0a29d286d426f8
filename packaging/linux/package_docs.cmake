# The package's own documents, as Debian wants them: the copyright and a compressed changelog
# made from CHANGELOG_IN, installed into DOC_DIR. Reads package_dir and package_out.
function(vexilo_package_docs changelog_in doc_dir)
    configure_file(${changelog_in} ${package_out}/changelog @ONLY)
    add_custom_command(OUTPUT ${package_out}/changelog.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${package_out}/changelog ${package_out}/changelog.tmp
        COMMAND gzip -9nf ${package_out}/changelog.tmp
        COMMAND ${CMAKE_COMMAND} -E rename ${package_out}/changelog.tmp.gz ${package_out}/changelog.gz
        DEPENDS ${package_out}/changelog
        VERBATIM)
    add_custom_target(package_changelog ALL DEPENDS ${package_out}/changelog.gz)
    install(FILES ${package_dir}/debian/copyright ${package_out}/changelog.gz DESTINATION ${doc_dir})
endfunction()
