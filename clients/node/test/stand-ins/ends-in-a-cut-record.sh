# Stands in for a Lookout that ends by itself, killed while it wrote a record, and whose output a
# process that lives on still holds (as a service process of Wine's can): exit code 7.
sleep 30 &
printf 'app$C:\\Tools\\one.exe$One$Whole$2026-12-09T14:03:07.125Z$\n$app$C:\\Tools\\one.exe$O'
exit 7
