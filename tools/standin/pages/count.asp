document.write("<span style=\"color:#0060c0\">本站;累计访问：123456&#160;今天访问：789&#160;</span>");
